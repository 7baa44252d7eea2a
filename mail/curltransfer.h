// libcurl beneath the SMTP conversation and the HTTP request: the libraries'
// one-time set-up, and a transfer driven in short steps so that the cancel
// flag is seen within a fraction of a second whatever the peer does.
#pragma once

#include "app/progress.h"

#include <QString>

#include <curl/curl.h>

#include <memory>

namespace pictaron {

// Sets up libcurl and c-ares once per process; false when either cannot be
// used (the sockets of this machine are unusable).
bool InitNetworkLibraries();

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// A list with the given entries (curl_slist_append copies them).
CurlList MakeCurlList(const QStringList& entries);

enum class TransferOutcome { Done, Failed, Cancelled };

struct TransferResult {
    TransferOutcome outcome;
    QString error; // libcurl's own words for a failure
};

// Runs the prepared handle to its end. Never called on the GUI thread: it
// waits for the network. Closing the handle afterwards closes the connection.
TransferResult RunTransfer(CURL* easy, const CancelFlag& cancel);

} // namespace pictaron
