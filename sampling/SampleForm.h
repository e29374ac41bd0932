#pragma once
// The sampling tool's window: the sample size with its time estimate, the
// run's buttons and progress, the upload graph's title, and the last query
// and reply for diagnosis. The run itself is SamplingTool's; the window
// forwards the user's actions to it, shows its state, and makes the graph
// window of each run.
#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "sampling/SamplingTool.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vx {

class Clock;
class ConversionControl;
class Dialogs;
class Kit;
class ReadingLoop;
class SampleLink;
class TGraphForm;
struct GraphWindowHost;

// What the tool borrows from the main window and the program.
struct SamplingServices {
    ConversionControl& control;
    ReadingLoop& readings;
    // The module, reached through the kit's port and query protocol.
    Kit& kit;
    // The upload graphs are made on it; its feed routes readings to them.
    GraphWindowHost& graphs;
    Dialogs& dialogs;
    // The main window shows the reading loop's texts again.
    std::function<void()> showReadings = nullptr;
};

class TSampleForm : public QDialog, private SampleScreen {
public:
    static constexpr const char* DesignCaption = "Sampling Tool [04/30/2003]";

    explicit TSampleForm(const SamplingServices& services, QWidget* parent = nullptr);
    ~TSampleForm() override;

    SamplingTool& tool() { return *tool_; }
    // The graph windows of the runs so far, oldest first; the tool owns them.
    const std::vector<std::unique_ptr<TGraphForm>>& uploadGraphs() const { return uploadGraphs_; }
    // Called whenever a loop lets pending input run; tests click "Cancel" here.
    std::function<void()> onProcessMessages;

    // --- Handlers, named after control and event ---
    void FormShow();
    void SampleSizeComboBoxChange();
    void SampleButtonClick();
    void HaltButtonClick();
    void UploadButtonClick();
    void BacktrackButtonClick();
    void Timer1Timer();

    // Escape and the close box cancel a running run instead of hiding the window.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // --- Controls, each named after its member ---
    QLabel* Label1;
    QComboBox* SampleSizeComboBox;
    QLabel* LabelSampleTime;
    QPushButton* SampleButton;
    QPushButton* BacktrackButton;
    QPushButton* UploadButton;
    QPushButton* HaltButton;
    QCheckBox* cbSummary;
    QLabel* Label6;
    QProgressBar* ProgressBarSample;
    QLabel* Label4;
    QProgressBar* ProgressBarUpload;
    QLabel* LabelSampleTitle;
    QLineEdit* EditSampleTitle;
    QCheckBox* cbTimeStamp;
    QGroupBox* GroupDiagnostic;
    QLabel* QueryLabel;
    QLabel* ReplyLabel;
    QLabel* Label3;
    QLabel* AddrLabel;
    QLabel* Addr;
    QLabel* Label5;
    QLabel* DataLabel;
    QLabel* Data1;
    QLabel* Data2;
    QLabel* Data3;
    QLabel* Label2;
    QLabel* NextAddrLabel;
    QTimer* Timer1;

    // SampleScreen
    void Refresh(bool drawNow) override;
    void ProcessMessages() override;
    void OpenUploadGraph(const std::string& caption, uint16_t sampleSize, int channel) override;
    void FeedUploadGraph(bool on) override;
    void AutoScaleUploadGraph() override;
    void RescaleUploadGraph() override;
    void ShowSummary(const std::string& text) override;
    void ShowReadings() override;
    std::string DateTimeText() override;

    void buildControls();
    void connectHandlers();
    // A modal result left by a handler closes the window.
    void closeIfDone();

    Dialogs& dialogs_;
    GraphWindowHost& graphs_;
    std::function<void()> showReadings_;
    std::unique_ptr<SampleLink> link_;
    std::unique_ptr<SamplingTool> tool_;
    std::vector<std::unique_ptr<TGraphForm>> uploadGraphs_;
};

}  // namespace vx
