#include "MailProvider.h"

CMailProvider::~CMailProvider()
{
    delete HostLink;
    HostLink = nullptr;
}

void CMailProvider::GetAddressBook(CAddressArray&) {}

void CMailProvider::AddAddress(std::string, std::string) {}

// Places 7 and 8 share one implementation; the host never calls either.
static void IgnoreMessage(const CMailMessage&) {}

void CMailProvider::MessageNoOp(CMailMessage message)
{
    IgnoreMessage(message);
}

void CMailProvider::MessageNoOp2(CMailMessage message)
{
    IgnoreMessage(message);
}
