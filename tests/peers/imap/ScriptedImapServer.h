// An in-process IMAP server for the tests, driven by a script: each command
// line of the client goes to the script, which answers with raw bytes ("$T"
// stands for the command's tag) or leaves it to the peer's own answers
// (CAPABILITY, LOGIN, AUTHENTICATE, NOOP, LOGOUT; anything else is BAD).
#pragma once

#include "LinePeer.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korvalin::test {

struct ImapCommand {
    std::string Tag;
    std::string Name;  // the command word(s), upper case: "UID FETCH", "SELECT"
    std::string Line;  // the whole line without the tag
    int Session = 0;
};

class ScriptedImapServer : public LinePeer {
public:
    using Script = std::function<std::optional<PeerReply>(const ImapCommand& command)>;

    explicit ScriptedImapServer(Script script,
                                std::string capabilities = "IMAP4rev1 AUTH=PLAIN SASL-IR IDLE UIDPLUS MOVE");
    ~ScriptedImapServer() override;

    // Every command line received, "tag" removed, in order.
    std::vector<std::string> Commands() const;
    // Commands whose name is name, in order.
    std::vector<std::string> CommandsNamed(const std::string& name) const;
    // Connections the client has closed (or the script ended) so far.
    int EndedCount() const { return Ended.load(); }

private:
    void Serve(PeerConnection& connection, int session);

    Script Answer;
    std::string Capabilities;
    mutable std::mutex Mutex;
    std::vector<ImapCommand> Received;
    std::atomic<int> Ended{0};
};

}  // namespace korvalin::test
