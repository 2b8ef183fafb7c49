#pragma once

#include "platform/CredentialStorage.h"
#include "web/http/HTTPRequest.h"

#include <gtest/gtest.h>

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

// Tests that start and end with empty session credential stores, no session cookies, and an
// empty credential storage in memory in place of the desktop's.
class FreshSession : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SessionCredentialStore::servers().clear();
        SessionCredentialStore::proxies().clear();
        HTTPRequest::clearSession();
        CredentialStorage::install(std::make_unique<MemoryCredentialStorage>());
    }
    void TearDown() override { SetUp(); }
};
