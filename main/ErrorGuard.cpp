#include "main/ErrorGuard.h"

#include "files/VemoError.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace {

ErrorDisplay& CurrentDisplay()
{
    static ErrorDisplay display;
    return display;
}

} // namespace

void SetErrorDisplay(ErrorDisplay display)
{
    CurrentDisplay() = std::move(display);
}

void ShowError(QWidget* parent, const QString& message)
{
    if (CurrentDisplay()) {
        CurrentDisplay()(parent, message);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

bool Guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const VemoError& e) {
        ShowError(parent, e.Message());
    } catch (const std::exception& e) {
        ShowError(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(parent, QStringLiteral("An unexpected error ended the command."));
    }
    return false;
}
