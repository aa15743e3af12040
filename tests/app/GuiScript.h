#pragma once

#include <QString>
#include <string>

namespace virlo {

class MainWindow;
class QueuedDialogRunner;

namespace test {

// Plays a virlo-cli session script on the real desktop windows: mouse
// commands become real mouse events on the active view (at the sheet point
// less the scroll position), tool and edit commands go through the main
// window's command dispatch, dialog answers go to the queued dialog runner.
// `show`, `save` and `open` are not played. Returns an error text, or "" when
// the whole script ran.
std::string PlayScript(MainWindow& frame, QueuedDialogRunner& dialogs, const std::string& source);

}  // namespace test
}  // namespace virlo
