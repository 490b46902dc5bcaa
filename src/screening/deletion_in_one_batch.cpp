#include "screening/deletion_in_one_batch.h"

#include "text/header_decoding.h"
#include "transport/pop3_batch.h"

#include <functional>
#include <utility>

namespace kestrix {

namespace {

// Holds back the client's status texts and success and failure events while the batch may
// still be undone; released, they reach the handlers in the order they came.
class HeldReports {
public:
    explicit HeldReports(TNMPOP3 &client)
        : client_(client), onStatus_(client.OnStatus), onSuccess_(client.OnSuccess),
          onFailure_(client.OnFailure)
    {
        client.OnStatus = [this](TPowersock *sender, const std::string &text) {
            if (onStatus_)
                held_.push_back([this, sender, text] { onStatus_(sender, text); });
        };
        client.OnSuccess = [this](TPowersock *sender) { hold(onSuccess_, sender); };
        client.OnFailure = [this](TPowersock *sender) { hold(onFailure_, sender); };
    }
    ~HeldReports() { restore(); }
    HeldReports(const HeldReports &) = delete;
    HeldReports &operator=(const HeldReports &) = delete;

    void release()
    {
        restore();
        std::vector<std::function<void()>> held = std::move(held_);
        held_.clear();
        for (const auto &report : held)
            report();
    }
    void drop()
    {
        restore();
        held_.clear();
    }

private:
    void hold(const TPowersock::TNotifyEvent &handler, TPowersock *sender)
    {
        if (handler)
            held_.push_back([&handler, sender] { handler(sender); });
    }
    void restore()
    {
        client_.OnStatus = onStatus_;
        client_.OnSuccess = onSuccess_;
        client_.OnFailure = onFailure_;
    }

    TNMPOP3 &client_;
    TPowersock::TOnStatus onStatus_;
    TPowersock::TNotifyEvent onSuccess_, onFailure_;
    std::vector<std::function<void()>> held_;
};

}  // namespace

OneBatchDeletion deleteInOneBatch(TNMPOP3 &client, const std::vector<CheckedDeletion> &messages)
{
    OneBatchDeletion outcome;
    HeldReports reports(client);
    bool stands = true;
    try {
        std::vector<std::string> commands;
        for (const CheckedDeletion &message : messages) {
            commands.push_back("UIDL " + std::to_string(message.number));
            commands.push_back("DELE " + std::to_string(message.number));
        }
        Pop3Batch batch(client, std::move(commands));
        for (const CheckedDeletion &message : messages) {
            if (messageCode(batch.fetchUniqueId(message.number)) != message.code) {
                stands = false;
                break;
            }
            batch.deleteMessage(message.number);
            ++outcome.acknowledged;
        }
    } catch (const std::exception &) {
        // Replies the batch left unread were read when it ended; a session lost meanwhile ends
        // the deletion with what the server acknowledged before.
        if (!client.Connected()) {
            outcome.failure = std::current_exception();
            reports.release();
            return outcome;
        }
        stands = false;
    }
    if (stands) {
        outcome.deleted = true;
        reports.release();
        return outcome;
    }
    // The undo is as silent as the batch it undoes.
    outcome.acknowledged = 0;
    try {
        client.UndoDeletions();
    } catch (const std::exception &) {
        // DELEs may still be marked: the connection goes without QUIT, so none is carried out.
        outcome.failure = std::current_exception();
        reports.drop();
        client.Abort();
    }
    reports.drop();
    return outcome;
}

}  // namespace kestrix
