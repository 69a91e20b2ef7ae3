// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The monitor's main window: a view of the station and the controller of its clicks. It
// shows the station's state on the panel (gauges, relay lamps, bands, band following, TX,
// the board) and hands every click to the station through its host; it holds no state of
// its own and never touches the port. Every time it is shown by the program (at start, and
// again when the setup dialog or the about box closes) the host runs the activation.
// Closing it saves every setting and ends the program. The window can be resized and the
// panel scales with it; its place and size are stored. Messages come as non-blocking boxes
// titled "Tovana", in front of the window. UI thread only.
#pragma once

#include "StationObserver.h"

#include <QMainWindow>
#include <QPointer>

class QLabel;
class QPushButton;
class QTimer;

namespace tovana {

class AGauge;
class CommPort;
class LinkFollower;
class MeterPlot;
class MonitorPanel;
class StationHost;
class TripBar;
class WindowFrame;
class frmSetup;

namespace station {
class Station;
}

class frmMonitor : public QMainWindow, public station::StationObserver {
    Q_OBJECT
public:
    // The link server is reached on the bus at this address, or on the session bus.
    explicit frmMonitor(const QString &linkBusAddress = {}, QWidget *parent = nullptr);
    ~frmMonitor() override;

    StationHost *host() const { return m_host; }
    station::Station &station() const;

    // A full save of the station; a refused write is reported and gives false.
    bool SaveSettings();

    // The setup dialog, created hidden when it does not exist yet.
    frmSetup *setupForm();
    // The dialog is going: the next one is made afresh. Shows the window again.
    void setupClosed(frmSetup *dialog);

    MonitorPanel *panel() const { return m_panel; }
    AGauge *gauge(int index) const;
    QPushButton *relayButton(int relay) const;  // 1..12
    QWidget *relayLamp(int relay) const;        // 1..12, shown = relay on
    QPushButton *bandIndicator(int band) const; // 1..9, shown = band selected
    QLabel *Label2() const;
    CommPort *MSComm1() const;
    QTimer *Timer1() const;
    LinkFollower *link() const;
    TripBar *tripBar() const { return m_tripBar; }
    // The meter's plot of its history, opened as a double-click on its gauge does.
    MeterPlot *openPlot(int meter);

    void stationChanged(station::StationChange change, int index) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void showMeter(int index);
    void showRelay(int relay);
    void showBands();
    void showFollowing();
    void showLink();
    void showHold();
    void showBoard();
    void showLamps();
    void showTrip(int index);
    void showWindowPlace();
    QSize naturalSize() const;
    void rememberWindowPlace();
    void turnFollowingOn();
    void openHelp();
    void showSetup();
    void showAbout();
    void showMessage(const QString &text);

    MonitorPanel *m_panel;
    StationHost *m_host;
    WindowFrame *m_frame;
    TripBar *m_tripBar;
    QPointer<frmSetup> m_setup;
    bool m_closeDespiteFailedSave = false;
    bool m_tellLinkAway = false; // the operator turned following on and has not been told yet
};

} // namespace tovana
