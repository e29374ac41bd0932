#pragma once
// The application object. Whatever a handler throws reaches the standard
// exception display here (a stop-icon message box with the exception's text,
// captioned with the application title) and the program goes on.
#include <QApplication>

namespace vx {

class Dialogs;

class ProgramApplication : public QApplication {
public:
    ProgramApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Where the display shows; the Qt dialogs unless set.
    void setExceptionDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    void showException(const char* text);

private:
    Dialogs* dialogs_ = nullptr;
};

}  // namespace vx
