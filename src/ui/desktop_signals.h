#pragma once
// The desktop's own news about sleep and the network: logind's PrepareForSleep on the system bus
// (false: the machine has woken up) and Qt's network information. A wake-up or a network that
// comes back is reported as woke(); a network that goes away as networkGone(). Without a system
// bus or a network information backend nothing is reported, and nothing else changes.

#include <QNetworkInformation>
#include <QObject>

namespace kestrix {

class DesktopSignals : public QObject {
    Q_OBJECT
public:
    explicit DesktopSignals(QObject *parent = nullptr);

signals:
    void woke();
    void networkGone();

private slots:
    // logind: true before the machine sleeps, false after it woke up.
    void prepareForSleep(bool sleeping);

private:
    void reachabilityChanged(QNetworkInformation::Reachability reachability);
    QNetworkInformation::Reachability m_reachability = QNetworkInformation::Reachability::Unknown;
};

}  // namespace kestrix
