#pragma once
// Small helpers shared by the windows: the window font, colours, hints, and
// finding a control by a name built from a prefix and a number.

#include <QColor>
#include <QFont>
#include <QString>

class QObject;
class QWidget;

namespace vk47 {

inline const QColor kSilver(192, 192, 192);
inline const QColor kCyan(0, 255, 255);
inline const QColor kDarkGreen(0, 128, 0);

// The windows' font: "MS PGothic" where installed, else the IPA P Gothic that
// Linux systems ship (an absent family would fall back to a Latin font).
QFont WindowFont(int pixel_size = 12);

// The descendant of `root` whose object name is `prefix` followed by `number`
// in decimal, compared without regard to letter case ("image8" finds
// "Image8"); nullptr when there is none.
QObject* FindControl(const QObject* root, const QString& prefix, int number);
QObject* FindControlByName(const QObject* root, const QString& name);

// The number after the first `prefix_length` characters of a name; -1 when
// the rest is no decimal number.
int NumberAfterPrefix(const QString& name, int prefix_length);

// Hint texts are carried by the controls but never shown as tooltips.
void SetHint(QWidget* widget, const QString& hint);
QString Hint(const QWidget* widget);

// Fills the widget's background with `colour`.
void SetBackground(QWidget* widget, const QColor& colour);

}  // namespace vk47
