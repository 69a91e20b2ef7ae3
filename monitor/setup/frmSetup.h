// The setup dialog: tabs "Com Port", "Meters" and "Relays" over the main window's live
// state. The main window creates it hidden and loads its relay label boxes, port and speed
// options and response slider; a label box change puts its text on the relay button, and
// every setting of the response slider hands its value to the main window. Closing the
// dialog saves every setting, gives the main window back and destroys the dialog.
#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace tovana {

class frmMonitor;

class frmSetup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPortOptionCount = 10;   // Option1_0..9: "Com 1".."Com 10"
    static constexpr int kSpeedOptionCount = 5;   // Option1_10..14: "1200".."19200"

    explicit frmSetup(frmMonitor *monitor);

    // Relay n (1..12): its label box; a real change of the text retitles the relay button.
    QLineEdit *relayLabelBox(int relay) const { return m_relayBoxes.at(relay - 1); }
    void setRelayLabel(int relay, const QString &text);

    // Selects the port button of number 1..10; other numbers select none. Never clears.
    void selectPortOption(int number);
    // Selects the speed button whose string, written with `parity` ("19200,N,8,1" or
    // "19200,n,8,1"), equals `settings` exactly; otherwise none. Never clears.
    void selectSpeedOption(const QString &settings, QChar parity);

    // Moves the response slider (clamped to its range) and, even when it does not move,
    // hands its position to the main window's mtr_response.
    void setResponse(int value);
    int response() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildComPortTab();
    QWidget *buildMetersTab();
    QWidget *buildRelaysTab();
    void responseSet();

    frmMonitor *m_monitor;
    QTabWidget *m_tabs;
    std::array<QRadioButton *, kPortOptionCount + kSpeedOptionCount> m_options{};
    std::array<QLineEdit *, 12> m_relayBoxes{};
    QScrollBar *m_response = nullptr;
};

} // namespace tovana
