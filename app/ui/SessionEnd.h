// The end of the program from outside: the desktop session ends (its
// session manager asks to commit data) or the process gets SIGTERM or
// SIGHUP. A signal handler only writes to a pipe; the event loop reads it
// and the program saves as at Exit.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace korvalin::ui {

class SessionEnd : public QObject {
    Q_OBJECT

public:
    // Installs the handlers of SIGTERM and SIGHUP (one watcher at a time).
    explicit SessionEnd(QObject* parent = nullptr);
    // Gives the signals their default handling back.
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // False when the pipe or the handlers could not be set up.
    bool Watching() const { return notifier_ != nullptr; }

signals:
    // SIGTERM or SIGHUP came: save and end.
    void EndRequested();
    // The session manager asks for the data: save and go on.
    void SaveRequested();

private:
    void ReadSignal();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace korvalin::ui
