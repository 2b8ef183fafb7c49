#pragma once

#include <QString>

#include <exception>
#include <memory>

// An error of the HTTP client layer. Every error of the layer belongs to the domain
// "HTTPRequestErrorDomain" and carries one of the codes below; the description is the text
// meant for the user, the failure reason and the underlying error are optional detail.
struct HTTPError {
    enum Code : int {
        ConnectionFailure = 1,
        RequestTimedOut = 2,
        AuthenticationNeeded = 3,
        RequestCancelled = 4,
        UnableToCreateRequest = 5,
        InternalError = 6,
        CredentialsNotApplicable = 7,
        FileManagement = 8,
        TooMuchRedirection = 9,
        UnhandledException = 10,
        CompressionFailure = 11,
    };

    int code = 0;
    QString description;
    QString failureReason;
    std::shared_ptr<const HTTPError> underlying;

    static QString domain() { return QStringLiteral("HTTPRequestErrorDomain"); }

    static std::shared_ptr<const HTTPError> make(int code, const QString& description,
                                                 std::shared_ptr<const HTTPError> underlying = {});

    // The five errors that every failing request shares: one object each for the whole process.
    static std::shared_ptr<const HTTPError> requestTimedOut();
    static std::shared_ptr<const HTTPError> authenticationNeeded();
    static std::shared_ptr<const HTTPError> requestCancelled();
    static std::shared_ptr<const HTTPError> unableToCreateRequest();
    static std::shared_ptr<const HTTPError> tooMuchRedirection();
    // Code 10 for an exception met while a request ran: the description names the exception's
    // class as the source writes it ("std::runtime_error"), the failure reason is its message.
    static std::shared_ptr<const HTTPError> unhandledException(const std::exception& exception);
};

using HTTPErrorPtr = std::shared_ptr<const HTTPError>;
