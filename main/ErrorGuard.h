#pragma once

#include <QString>
#include <functional>

class QWidget;

// The one place where an error that ends a command is shown: every handler runs through
// Guarded, so no exception crosses the event loop. The error is shown in a message box,
// after which the program goes on.
using ErrorDisplay = std::function<void(QWidget* parent, const QString& message)>;

// Replaces the message box (tests observe the errors instead); an empty function restores it.
void SetErrorDisplay(ErrorDisplay display);
void ShowError(QWidget* parent, const QString& message);

// Runs action; an exception leaving it is shown. Returns false when there was one.
bool Guarded(QWidget* parent, const std::function<void()>& action);
