// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The monitor's main window. Every time it is shown by the program (at start, and again
// when the setup dialog or the about box closes) it runs its activation: seed the store,
// load it into the widgets, take a fresh link to the link server, band following off (at
// program start only), configure and open the port MSComm1 and run the acquisition cycle
// on it. Relay buttons switch their relays on that port; band buttons and band following
// drive the band relays 13..16 on the same port, unless the transmit interlock holds them.
// Closing it saves every setting from the widgets and ends the program. It owns the setup
// dialog (created hidden on first use, destroyed when the dialog closes). The window can be
// resized and the panel scales with it; its size is stored in the store's [Window]
// section. All on the UI thread; failures are shown in non-blocking message boxes titled
// "Tovana".
#pragma once

#include "Preferences.h"

#include <QMainWindow>
#include <QPointer>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;

namespace tethra::client {
class LinkClient;
}

namespace tovana {

class AGauge;
class BandSwitch;
class CommPort;
using tethra::client::LinkClient;
class MeterAcquisition;
class MonitorPanel;
class TxInterlock;
class WindowFrame;
class frmSetup;

class frmMonitor : public QMainWindow {
    Q_OBJECT
public:
    // The link server is reached on the session bus, or on the bus at the address given.
    explicit frmMonitor(QWidget *parent = nullptr);
    explicit frmMonitor(const QString &linkBusAddress, QWidget *parent = nullptr);
    ~frmMonitor() override;

    // Settle-delay count of the acquisition cycle, handed over by the setup dialog's
    // response slider; empty until the first loading.
    std::optional<int> mtr_response() const { return m_mtrResponse; }
    // Also reaches the running acquisition cycle at once.
    void setMtr_response(int value);

    // Restarts the acquisition cycle at channel 1, abandoning the running one; it runs
    // until the next restart or a port error. Commands sent to the boards end with it.
    void PollMeters();
    MeterAcquisition *acquisition() const { return m_acquisition; }

    // Hides every band indicator; the band code in Label2 stays.
    void BandReset();
    // Sends the code of every visible band indicator and shows it in Label2; false
    // when the port refused it (the code then goes out with a later tick).
    bool BandEncoder();
    // Gathers the whole state from the widgets and writes it to the store; a refused
    // write is reported in a message box and gives false.
    bool SaveSettings();
    // Recomputes the per-meter scaling from the gauges' scales and the stored multipliers.
    void GetMultiplier();
    const ScalingTable &scalingTable() const { return m_scaling; }

    // The setup dialog, created hidden when it does not exist yet.
    frmSetup *setupForm();
    // The dialog is going: the next load creates a fresh one. Shows the window again.
    void setupClosed(frmSetup *dialog);

    MonitorPanel *panel() const { return m_panel; }
    AGauge *gauge(int index) const;
    QPushButton *relayButton(int relay) const;     // 1..12
    QWidget *relayLamp(int relay) const;           // 1..12, visible = relay on
    QPushButton *bandIndicator(int band) const;    // 1..9, visible = band selected
    QLabel *Label2() const;
    CommPort *MSComm1() const { return m_comm1; }
    QTimer *Timer1() const { return m_timer1; }
    bool bandFollowing() const;
    // The transmit interlock, as the setup dialog's check box sets it and the save stores it.
    bool holdWhileTx() const;
    void setHoldWhileTx(bool on);
    TxInterlock *txInterlock() const { return m_interlock; }
    LinkClient *link() const { return m_link; }
    BandSwitch *bandSwitch() const { return m_bands; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void activate();
    void applyPreferences(const Preferences &prefs);
    Preferences gatherPreferences();
    QSize naturalSize() const;
    void sizeWindow(const WindowSize &stored, const WindowPosition &position);
    void placeWindow(const WindowPosition &position);
    WindowPosition positionInTwips() const;
    void configurePort(const PortConfig &port);
    void startOnPort();
    void boardLost(const QString &reason);
    void tryReopen();
    void setBandFollowing(bool on);
    void turnFollowingOn();
    void setLinkAway(bool away);
    void watchChanges();
    void selectBand(int position);
    void openHelp();
    void showSetup();
    void showAbout();
    void showMessage(const QString &text);
    void switchRelay(int relay);

    MonitorPanel *m_panel;
    QTimer *m_timer1;
    CommPort *m_comm1;
    QPointer<frmSetup> m_setup;
    std::optional<int> m_mtrResponse;
    ScalingTable m_scaling;
    MeterAcquisition *m_acquisition;
    WindowFrame *m_frame;
    QTimer *m_reopen;  // while the board's port is lost: the next try to open it again
    static constexpr int kReopenMs = 2000;
    bool m_closeDespiteFailedSave = false;
    LinkClient *m_link = nullptr;
    BandSwitch *m_bands = nullptr;
    TxInterlock *m_interlock = nullptr;
    bool m_activated = false;
    bool m_linkBusMissing = false;
    bool m_linkAway = false;      // the last attempt to reach the link server failed, or it left
    bool m_tellLinkAway = false;  // the operator turned following on and has not been told yet

};

} // namespace tovana
