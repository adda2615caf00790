// The window's message boxes with an OK button. They go through one
// replaceable function, so tests record them instead of waiting on a modal
// box.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace trelm::shell {

inline const QString kAppTitle = QStringLiteral("Trelmlink");

enum class BoxIcon { Exclamation, Information, None };

using MessageBoxFunction = std::function<void(QWidget *parent, BoxIcon icon, const QString &title, const QString &text)>;

// Shows a modal box with an OK button (or whatever was installed).
void showMessageBox(QWidget *parent, BoxIcon icon, const QString &title, const QString &text);

// Replaces the box; an empty function restores the real one.
void setMessageBoxFunction(MessageBoxFunction function);

} // namespace trelm::shell
