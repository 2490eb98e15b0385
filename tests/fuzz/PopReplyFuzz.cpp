// The POP3 dialogue reading a hostile server: the input is everything the
// server says, sent at once on a real loopback connection. The client logs
// in and asks for the count, the capabilities, the unique ids, headers
// (alone and pipelined), a whole mail and a deletion, then quits.
#include "LoopbackPeer.h"
#include "PopClient.h"

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

    CPopClient client;
    client.Configure("127.0.0.1:" + std::to_string(peer.Port()));
    client.SetLogin("someone", "secret");
    if (!client.Open())
        return 0;
    int count = client.Stat();
    bool pipelining = client.Pipelining();
    client.QueueUidl();
    std::vector<std::string> uidls;
    client.ReadUidls(uidls);

    CPopMessage first;
    if (client.Top(1, first))
        first.ParseSummaryHeader();
    if (pipelining) {
        client.QueueTop(2);
        client.QueueTop(3);
        CPopMessage second, third;
        if (client.ReadTop(second))
            client.ReadTop(third);
        else
            client.DropAnswers(1, true);
    }
    CPopMessage whole;
    if (client.Retrieve(count > 0 ? count : 1, whole))
        whole.ParseMailHeader();
    client.Delete(1);
    client.Close();
    return 0;
}
