// The SMTP dialogue reading a hostile server: the input is everything the
// server says, sent at once on a real loopback connection, while the client
// sends one mail to three recipients and quits.
#include "LoopbackPeer.h"
#include "SmtpClient.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using korvalin::fuzz::LoopbackPeer;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    korvalin::fuzz::PrepareNetworkForFuzzing();
    LoopbackPeer::Instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoopbackPeer& peer = LoopbackPeer::Instance();
    peer.SetReply({reinterpret_cast<const char*>(data), size});

    CSmtpClient client;
    client.Configure("127.0.0.1:" + std::to_string(peer.Port()));
    if (!client.Open())
        return 0;
    client.SendData("someone@example.com", {"ann@example.com", "b@example.com", "hidden@example.com"},
                    "Subject: Hello\r\n\r\nLine one\r\n.\r\nLine two\r\n");
    client.Quit();
    return 0;
}
