#include "ui/InstanceActivation.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

void bringToFront(QWidget* window)
{
    // The documented way to bring a minimized window back, keeping it maximized if it was.
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

} // namespace

InstanceActivation::InstanceActivation(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
}

InstanceActivation::~InstanceActivation()
{
    if (m_server)
        m_server->close();  // removes the socket file
}

bool InstanceActivation::listen()
{
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceActivation::acceptConnections);
    return true;
}

void InstanceActivation::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Whatever the second copy sends, or none at all: its connection is the request.
        connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
        emit activationRequested();
    }
}

bool InstanceActivation::activateRunning(const QString& socketPath, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void InstanceActivation::raiseProgramWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        bringToFront(modal);
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // Qt::Popup shares the window bit with every window type: compare the type, not the bits.
        if (window->isVisible() && window->windowType() != Qt::Popup)
            bringToFront(window);
    }
}
