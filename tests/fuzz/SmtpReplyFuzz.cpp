// The SMTP dialogue reading a hostile server: the input is everything the
// server says, sent at once on a real loopback connection, while the client
// sends one mail to two recipients and quits.
#include "LoopbackPeer.h"
#include "SmtpClient.h"

#include <cstddef>
#include <cstdint>
#include <string>

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
    CPopMessage message;
    message.From = "someone@example.com";
    message.Subject = "Hello";
    message.Body = "Line one\n.\nLine two";
    message.AddRecipients("Ann <ann@example.com>, b@example.com");
    message.AddRecipients("hidden@example.com", true);
    client.Send(message);
    client.Quit();
    return 0;
}
