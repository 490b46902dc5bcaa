#include "ui/desktop_signals.h"

#include <QDBusConnection>

namespace kestrix {

DesktopSignals::DesktopSignals(QObject *parent) : QObject(parent)
{
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));

    // NetworkManager's view when it runs, else whatever backend this Qt has.
    if (!QNetworkInformation::instance()
        && !QNetworkInformation::loadBackendByName(u"networkmanager"))
        QNetworkInformation::loadDefaultBackend();
    if (QNetworkInformation *network = QNetworkInformation::instance()) {
        m_reachability = network->reachability();
        connect(network, &QNetworkInformation::reachabilityChanged, this,
                &DesktopSignals::reachabilityChanged);
    }
}

void DesktopSignals::prepareForSleep(bool sleeping)
{
    if (!sleeping)
        emit woke();
}

// Only the way into and out of "no network at all" counts: a mailbox on the local network
// stays reachable when the wider internet goes.
void DesktopSignals::reachabilityChanged(QNetworkInformation::Reachability reachability)
{
    using R = QNetworkInformation::Reachability;
    const R before = m_reachability;
    m_reachability = reachability;
    if (reachability == R::Disconnected && before != R::Disconnected)
        emit networkGone();
    else if (before == R::Disconnected && reachability != R::Disconnected
             && reachability != R::Unknown)
        emit woke();
}

}  // namespace kestrix
