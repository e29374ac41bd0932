#include "app/ProgramApplication.h"

#include <exception>

#include "app/ApplicationTitle.h"
#include "platform/QtDialogs.h"
#include "support/NumericLocale.h"

namespace vx {

ProgramApplication::ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The toolkit has just applied the user's locale; numbers keep the point.
    UseCNumericLocale();
    setApplicationName(ApplicationTitle);
}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error.what());
    } catch (...) {
        showException("Unknown exception");
    }
    return false;
}

void ProgramApplication::showException(const char* text) {
    QtDialogs fallback;
    Dialogs& dialogs = dialogs_ ? *dialogs_ : fallback;
    dialogs.message({text, ApplicationTitle, MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
}

}  // namespace vx
