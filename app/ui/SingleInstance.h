#pragma once
// One running program per user: a second start with a file name hands the name to the running program over
// a local socket and ends; the running program opens the file and raises its window.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name of this user's program.
    static QString defaultName();

    // Hands path to a running program; true when it took it.
    bool handOver(const QString& path, int timeoutMs = 2000);
    // Becomes the running program (a stale socket of a crashed one is replaced).
    bool listen();
    bool isListening() const;

signals:
    void fileReceived(const QString& path);

private:
    QString serverName;
    QLocalServer* server = nullptr;
};
