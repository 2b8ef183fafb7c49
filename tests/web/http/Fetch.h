#pragma once

#include "web/http/HTTPRequest.h"

#include <functional>
#include <memory>

// Runs a request for the URL on this thread to its end, after the configuration has set it up.
inline std::shared_ptr<HTTPRequest> fetch(const QUrl& url, const std::function<void(HTTPRequest&)>& configure = {})
{
    auto request = HTTPRequest::requestWithURL(url);
    request->setTimeOutSeconds(10);
    if (configure)
        configure(*request);
    request->startSynchronous();
    return request;
}

// The code of the request's error; 0 when it has none.
inline int errorCode(const HTTPRequest& request)
{
    return request.error() ? request.error()->code : 0;
}
