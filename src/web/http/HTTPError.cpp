#include "web/http/HTTPError.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

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

HTTPErrorPtr HTTPError::unhandledException(const std::exception& exception)
{
    const char* mangled = typeid(exception).name();
    int status = -1;
    const std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                               &std::free);
    auto error = std::make_shared<HTTPError>();
    error->code = UnhandledException;
    error->description = QString::fromLatin1(status == 0 && readable ? readable.get() : mangled);
    error->failureReason = QString::fromLocal8Bit(exception.what());
    error->underlying = make(UnhandledException, error->failureReason);
    return error;
}
