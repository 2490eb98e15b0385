#include "EngineHooks.h"

#include "Engine.h"

namespace korvalin {

void EngineHooks::StopAll()
{
    engine_.Checks().StopAll();
    outer_.StopAll();
}

void EngineHooks::WaitForOutstandingRequests()
{
    korvalin::WaitForOutstandingRequests(engine_.Requests(), engine_.Ui());
    outer_.WaitForOutstandingRequests();
}

bool EngineHooks::NewMailListEmpty()
{
    return engine_.NewMail().Empty();
}

void EngineHooks::ClearPendingActions()
{
    engine_.Pending().Clear();
    outer_.ClearPendingActions();
}

void EngineHooks::OpenFolderSummary(MailFolder& folder)
{
    engine_.Mail().OpenFolder(folder);
    outer_.OpenFolderSummary(folder);
}

void EngineHooks::CloseFolderSummary(MailFolder& folder)
{
    engine_.Mail().CloseFolder(folder);
    outer_.CloseFolderSummary(folder);
}

}  // namespace korvalin
