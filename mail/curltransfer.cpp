#include "mail/curltransfer.h"

#include <ares.h>

#include <QStringList>

namespace pictaron {

namespace {

// How long one wait for the network lasts before the cancel flag is looked at.
constexpr int kPollSliceMs = 50;

struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// libcurl waits for some SMTP replies (the one after the message, the one to
// QUIT) inside a single call; it asks this callback about once a second while
// it does, and non-zero ends the wait.
int AbortWhenCancelled(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const CancelFlag*>(flag)->IsCancelled() ? 1 : 0;
}

} // namespace

bool InitNetworkLibraries()
{
    // Both set-ups are global and must not race: a function-local static runs
    // them exactly once, on whichever thread comes first.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK
                              && ares_library_init(ARES_LIB_INIT_ALL) == ARES_SUCCESS;
    return ready;
}

CurlList MakeCurlList(const QStringList& entries)
{
    curl_slist* list = nullptr;
    for (const QString& entry : entries) {
        curl_slist* longer = curl_slist_append(list, entry.toUtf8().constData());
        if (!longer)
            break;
        list = longer;
    }
    return CurlList(list);
}

TransferResult RunTransfer(CURL* easy, const CancelFlag& cancel)
{
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // One transfer, one connection: a cached connection would be closed later
    // by libcurl itself, politely and without asking the cancel flag.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, AbortWhenCancelled);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &cancel);

    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK)
        return {TransferOutcome::Failed, QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY))};

    TransferResult result{TransferOutcome::Cancelled, QString()};
    for (;;) {
        if (cancel.IsCancelled())
            break;
        int running = 0;
        const CURLMcode step = curl_multi_perform(multi.get(), &running);
        if (step != CURLM_OK) {
            result = {TransferOutcome::Failed, QString::fromUtf8(curl_multi_strerror(step))};
            break;
        }
        if (running == 0) {
            int left = 0;
            CURLcode code = CURLE_OK;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
                if (message->msg == CURLMSG_DONE)
                    code = message->data.result;
            if (code == CURLE_OK)
                result = {TransferOutcome::Done, QString()};
            else if (cancel.IsCancelled())
                result = {TransferOutcome::Cancelled, QString()};
            else
                result = {TransferOutcome::Failed,
                          QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code))};
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kPollSliceMs, nullptr);
    }
    curl_multi_remove_handle(multi.get(), easy);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    return result;
}

} // namespace pictaron
