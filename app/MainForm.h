#pragma once
// The main window: the control word's selector lists, one row per channel
// with its voltage and code, the reading box, the reference voltage, the
// statistics, and the menus that reach the other windows.
//
// The window shows the state of the conversion control and the reading loop
// and forwards the user's actions to them. Its reading timer runs on the
// Clock (see ReadingTimer); tests fire Timer1Timer themselves.
#include <QMainWindow>
#include <array>
#include <functional>
#include <string>

#include "app/ConversionControl.h"
#include "app/ReadingLoop.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextBrowser;
class QTimer;

namespace vx {

class Clock;
class Dialogs;
class GraphFeed;
class Kit;
class Launcher;
class TSerialForm;

class TMainForm : public QMainWindow, private ReadingTarget {
public:
    static constexpr const char* NotConnectedCaption = "VX7318 Evaluation Kit - Not Connected";
    static constexpr const char* LoaderFileName = "KIT7318.ARB";
    static constexpr const char* SamplingScanAllRefusal = "Sampling supports only one channel at a time.";

    // Reads through the kit into the graphs the feed names.
    TMainForm(Kit& kit, GraphFeed& graphs, Clock& clock, Dialogs& dialogs, Launcher& launcher,
              const std::string& executablePath);
    ~TMainForm() override;
    // The windows the menus and the first show reach, made after this one.
    void setToolWindows(TSerialForm& serial, QDialog& sampling);

    // How modal windows are shown: exec() in the program; tests run the
    // window's work to its end in virtual time and return the result.
    std::function<int(QDialog&)> showModal;
    // The loader file handed to the serial window when the window is shown.
    std::string loaderFileName = LoaderFileName;
    // Tests fire Timer1Timer themselves: the real timer stays off.
    void driveTimerManually();

    ConversionControl& control() { return control_; }
    ReadingLoop& readings() { return loop_; }
    // Timer1 as the window's state (the reading loop owns it).
    ReadingTimer& Timer1() { return loop_.Timer1(); }
    // The reading loop's texts into the labels; also after each uploaded sample.
    void showReadings();

    // --- Handlers, named after control and event ---
    void FormCreate();
    void FormShow();
    void FormClose();
    void CtrlWordComboBoxChange();
    void UpdateButtonClick();
    void Timer1Timer();
    void AUTOREADcheckboxClick();
    void UpdateRateComboBoxChange();
    void SetVrefButtonClick();
    void TareCheckBoxClick();
    void ClearStatisticsButtonClick();
    // "CH&0" ... "CH&7" of the Input menu.
    void menuInputChannelClick(int channel);
    void menuInputScanAll1Click();
    void menuView1Click();
    void menuViewRealtimeGraph1Click();
    void menuViewCOMPortDebug1Click();
    void menuColorsStandard1Click();
    // "Color CH&0" ... "Color CH&7".
    void menuColorChannelClick(int channel);
    void ApplyChannelColours();
    // The caption names the port while the module's application runs and
    // the device is there, else says "Not Connected".
    void followConnection();
    void menuSample1Click();
    void menuHelpIndexClick();
    void menuHelpAboutClick();
    // The help file in a window of the program, for a desktop without a
    // browser; false when the file cannot be read.
    bool showHelpWindow(const std::string& file);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // --- Controls, each named after its member (arrays: with the channel) ---
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;
    QComboBox* ComboBox4;
    QComboBox* ComboBox5;
    std::array<QLabel*, ReadingLoop::Channels> LabelCH{};
    std::array<QLabel*, ReadingLoop::Channels> Vin{};
    std::array<QLabel*, ReadingLoop::Channels> Code{};
    QPushButton* UpdateButton;
    QCheckBox* AUTOREADcheckbox;
    QComboBox* UpdateRateComboBox;
    QLabel* Label1;
    QLabel* StatusLabel;
    QLabel* LabelSampleRate;
    QPushButton* SetVrefButton;
    QLineEdit* VrefEdit;
    QLabel* Label6;
    QLabel* Label3;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* VAvg;
    QLabel* CodeRms;
    QLabel* VMin;
    QLabel* VMax;
    QLabel* CodeAvg;
    QLabel* CodeMin;
    QLabel* CodeMax;
    QCheckBox* TareCheckBox;
    QPushButton* ClearStatisticsButton;

    QMenu* menuInput;
    std::array<QAction*, ReadingLoop::Channels> menuInputCH{};
    QAction* menuInputScanAll1;
    QMenu* menuView1;
    QAction* menuViewRealtimeGraph1;
    QAction* menuViewCOMPortDebug1;
    QMenu* menuColors;
    QAction* menuColorsStandard1;
    std::array<QAction*, ReadingLoop::Channels> menuColorCH{};
    QAction* menuSample1;
    QMenu* menuHelp;
    QAction* menuHelpIndex;
    QAction* menuHelpAbout;

    // ReadingTarget
    void showStatus(const std::string& status) override;
    void Graph_Data_Point(int channel, int32_t code) override;
    bool AutoScale() override;
    void SetAutoScale(bool on) override;

    void buildControls();
    QFrame* buildChannelRows(QWidget* parent);
    QFrame* buildReadingBox(QWidget* parent);
    QFrame* buildReferenceBox(QWidget* parent);
    QFrame* buildStatisticsBox(QWidget* parent);
    void buildMenus();
    void connectHandlers();
    // Widgets -> state, and back.
    void takeSelectors();
    void showSelectors();
    struct ShowReadingsAfter {
        TMainForm& window;
        ~ShowReadingsAfter() { window.showReadings(); }
    };
    void armTimer();
    void placeBeside(QWidget& window);
    // Runs f with the reading timer off, then gives it back its state.
    void withTimerPaused(const std::function<void()>& f);

    Kit& kit_;
    GraphFeed& graphs_;
    TSerialForm* serial_ = nullptr;
    QDialog* sampling_ = nullptr;
    Clock& clock_;
    Dialogs& dialogs_;
    Launcher& launcher_;
    std::string executablePath_;
    ConversionControl control_;
    ReadingLoop loop_;
    QTimer* realTimer_;
    QTextBrowser* helpWindow_ = nullptr;
    bool manualTicks_ = false;
    bool shown_ = false;
};

}  // namespace vx
