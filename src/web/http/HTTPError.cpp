#include "web/http/HTTPError.h"

HTTPErrorPtr HTTPError::make(int code, const QString& description, HTTPErrorPtr underlying)
{
    auto error = std::make_shared<HTTPError>();
    error->code = code;
    error->description = description;
    error->underlying = std::move(underlying);
    return error;
}

HTTPErrorPtr HTTPError::requestTimedOut()
{
    static const HTTPErrorPtr error = make(RequestTimedOut, QStringLiteral("The request timed out"));
    return error;
}

HTTPErrorPtr HTTPError::authenticationNeeded()
{
    static const HTTPErrorPtr error = make(AuthenticationNeeded, QStringLiteral("Authentication needed"));
    return error;
}

HTTPErrorPtr HTTPError::requestCancelled()
{
    static const HTTPErrorPtr error = make(RequestCancelled, QStringLiteral("The request was cancelled"));
    return error;
}

HTTPErrorPtr HTTPError::unableToCreateRequest()
{
    static const HTTPErrorPtr error =
        make(UnableToCreateRequest, QStringLiteral("Unable to create request (bad url?)"));
    return error;
}

HTTPErrorPtr HTTPError::tooMuchRedirection()
{
    static const HTTPErrorPtr error = make(
        TooMuchRedirection, QStringLiteral("The request failed because it redirected too many times"));
    return error;
}
