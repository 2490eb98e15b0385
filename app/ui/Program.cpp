#include "Program.h"

#include "AccountTree.h"
#include "Artwork.h"
#include "DesktopNotifier.h"
#include "Engine.h"
#include "FeatureHooks.h"
#include "FreeMemory.h"
#include "Keyring.h"
#include "MainFrame.h"
#include "ProgramApplication.h"
#include "QtFeaturePort.h"
#include "QtUiPort.h"
#include "SessionEnd.h"
#include "SingleInstance.h"
#include "StartupTrace.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace korvalin::ui {

int Program::Run()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());

    PlatformPaths paths = PlatformPaths::FromEnvironment();
    QtUiPort port;
    ProgramApplication::SetFatalStop([&port](const std::string& text) { port.FatalError(text); });
    struct StopWithPort {
        ~StopWithPort() { ProgramApplication::SetFatalStop(nullptr); }
    } stopWithPort;
    QtFeaturePort featurePort(port);
    FeatureHooks features(featurePort);
    MainFrame frame;
    StartupStage("main window built");
    TellFirstPaint(frame);
    port.SetFrame(&frame);
    EngineOptions options;
    options.hooks = &features;
    std::unique_ptr<PasswordKeyring> keyring = MakeProgramKeyring();
    options.keyring = keyring.get();
    Engine engine(paths, port, options);
    StartupStage("engine created");
    features.Attach(engine);
    frame.Attach(engine, port);
    frame.SetFeatures(&features);
    DesktopNotifier notifier(engine, QDBusConnection::sessionBus(),
                             {[&frame](const std::shared_ptr<FolderSummary>& summary, int row) {
                                  frame.ShowMainWindow(true);
                                  summary->OpenMail(row);
                              },
                              [&frame] { frame.OpenNewMailsBox(); }});
    DiagnosticLog& log = engine.Log();
    if (frame.Tree().ItemFor(&engine.Providers().ProgramProvider()) == nullptr)
        port.FatalError("Error adding the mail providers. Likely, low resources.");
    log.Info(kCommon, "Main windows created");

    engine.SetCommandLine(arguments_);

    // One copy per user and data folder: a second one hands its work over.
    SingleInstance instance(QString::fromStdString(paths.storeFile.string()));
    switch (instance.Claim()) {
    case SingleInstance::Role::Duplicate:
        log.Warning(kCommon, "Another instance of Korvalin detected.");
        if (!instance.HandOver(QString::fromStdString(engine.PendingRecipient())))
            std::fprintf(stderr, "korvalin: another copy is running, but %s\n",
                         instance.Error().toLocal8Bit().constData());
        log.Warning(kCommon, "Being terminated because of a duplicate instance.");
        port.BeginShutdown();
        frame.Detach();
        return 0;
    case SingleInstance::Role::Failed:
        std::fprintf(stderr, "korvalin: cannot watch for a second copy: %s\n",
                     instance.Error().toLocal8Bit().constData());
        break;
    case SingleInstance::Role::First:
        break;
    }
    QObject::connect(&instance, &SingleInstance::ShowRequested, &frame, [&frame] { frame.ShowMainWindow(true); },
                     Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::RecipientReceived, &frame,
                     &MainFrame::ComposeForHandedOverRecipient, Qt::QueuedConnection);

    port.SetBusyEndedListener([&notifier] {
        notifier.PassEnded();
        ReturnFreeMemory();
    });
    frame.OpenHomeWindow();

    log.Info(kCommon, "Showing main window.");
    frame.show();
    frame.raise();
    frame.setWindowTitle(MainFrame::kShortTitle);
    StartupStage("window shown");

    // The rest runs from the event loop, so the window is drawn first.
    QTimer::singleShot(0, &frame, [&] {
        log.Info(kCommon, "Initializing main window.");
        frame.SetHomeTitle(MainFrame::kHomeTitle);
        log.Info(kCommon, "Loading the configuration");
        engine.LoadConfiguration();
        StartupStage("plug-ins and store read");
        log.Info(kCommon, "Starting logon");
        frame.SetLogonStarted();
        engine.StartLogon();
        StartupStage("accounts logging in");
    });

    // The session's end and SIGTERM/SIGHUP save as Exit does.
    SessionEnd sessionEnd;
    if (!sessionEnd.Watching())
        log.Warning(kCommon, "SIGTERM and SIGHUP cannot be watched: they end the program without saving");
    QObject::connect(&sessionEnd, &SessionEnd::SaveRequested, &frame, &MainFrame::SaveWhileRunning);
    QObject::connect(&sessionEnd, &SessionEnd::EndRequested, &frame, &MainFrame::EndWithoutQuestions);

    QObject::connect(&frame, &MainFrame::Closed, &frame, [&port] {
        port.BeginShutdown();
        QApplication::quit();
    });
    const int code = QApplication::exec();
    port.BeginShutdown();
    port.SetBusyEndedListener({});
    // The engine goes first (it waits for abandoned logins); the frame must
    // not reach it any more.
    frame.Detach();
    return code;
}

}  // namespace korvalin::ui
