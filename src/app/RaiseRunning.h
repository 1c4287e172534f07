#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// A second start on the same computer brings the running Gearbook to the front
// instead of ending with a message: the running one listens on a Unix socket in
// the user's runtime folder, named after its data folder. Plain sockets and a
// QSocketNotifier, so the start loads no network library.
namespace RaiseRunning {

// The socket of the Gearbook that runs on `dataFolder`.
QString socketPath(const QString& dataFolder);

// Asks the Gearbook running on `dataFolder` to bring its window to the front.
// True only when it answered that it did (within a few seconds).
bool askToRaise(const QString& dataFolder);

// Listens for askToRaise while it lives, running `raise` for each. Only for the
// holder of the data folder's lock: a socket left by a copy that ended is replaced.
class Listener : public QObject {
public:
    Listener(const QString& dataFolder, std::function<void()> raise, QObject* parent = nullptr);
    ~Listener() override;
    bool isListening() const { return m_fd >= 0; }

private:
    void answer();

    QString m_path;
    std::function<void()> m_raise;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace RaiseRunning
