#include "app/ui/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), serverName(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    return QStringLiteral("orvantis-%1").arg(static_cast<qulonglong>(getuid()));
}

bool SingleInstance::handOver(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(path.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running program answers once it has the name.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    return socket.readLine().trimmed() == "ok";
}

bool SingleInstance::listen() {
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(serverName)) {
        // Nobody answered on the name (handOver failed before we got here): a stale socket file.
        QLocalServer::removeServer(serverName);
        if (!server->listen(serverName)) return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (!s->canReadLine()) return;
                const QString path = QString::fromUtf8(s->readLine()).chopped(1);
                s->write("ok\n");
                s->flush();
                emit fileReceived(path);
            });
        }
    });
    return true;
}

bool SingleInstance::isListening() const {
    return server && server->isListening();
}
