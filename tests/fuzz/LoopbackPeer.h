// A server on 127.0.0.1 that answers every connection with the bytes of the
// current fuzz input, all at once, then closes its sending side and reads
// whatever the client says until the client closes. It lets the POP3 and
// SMTP dialogues read hostile replies through their real stream.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace korvalin::fuzz {

class LoopbackPeer {
public:
    // The one peer of the process, listening from its first use on.
    static LoopbackPeer& Instance();

    int Port() const { return Port_; }
    // The bytes that the next connections receive.
    void SetReply(std::string_view bytes);

private:
    LoopbackPeer();
    void Serve();
    std::string CurrentReply();

    int Listener = -1;
    int Port_ = 0;
    std::mutex Lock;
    std::string Reply;
};

// Short network time-outs and no SIGPIPE: a dialogue that waits for more
// than the input holds ends at once instead of hanging the fuzzer.
void PrepareNetworkForFuzzing();

}  // namespace korvalin::fuzz
