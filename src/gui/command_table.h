// Which command each control of the window and its dialogs runs.
#pragma once

#include <QList>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "search/search_methods.h"

class QObject;
class QWidget;

namespace korvel::gui {

using Handler = std::function<void(AppContext&)>;

// A control by its object name, qualified by its dialog's name for the
// controls of a dialog ("TMLCDlg.Button1"); the handler it runs, or nullptr
// while that command does not exist yet.
struct CommandBinding {
  const char* object;
  Handler handler;
};

// Every binding: the controls of the window and its dialogs, then one item
// of the Method menu per search that SearchesListedFromTable names.
std::span<const CommandBinding> CommandTable();

// The searches of the method table whose Method menu items are made from
// the table, in its order: every row but Lafler-Kinman, Deeming and the
// secondary period, which have items, handlers and bindings of their own.
std::vector<const SearchMethod*> SearchesListedFromTable();
// The object name of such an item: "Search_" and the search's command-line
// name ("Search_gls").
std::string MethodItemName(const SearchMethod& m);

// The object a binding names, searched in the main window and, for a
// qualified name, in the dialog of that name. Nullptr when there is none.
QObject* FindCommandObject(const char* object, QWidget& form, const QList<QWidget*>& dialogs);

// True for the kinds of object a command can be connected to: menu items,
// buttons and boxes (click), the grid (cell click), the timer (tick) and
// edits (text change).
bool CanRunCommands(const QObject* object);

// Connects every bound control to its handler, run through the general error
// handler. Throws std::logic_error for a binding that names no usable object.
void WireCommands(AppContext& ctx, QWidget& form, const QList<QWidget*>& dialogs);

}  // namespace korvel::gui
