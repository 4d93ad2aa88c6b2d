#pragma once
// The pop-up list of the fifteen commands that a focused step slot opens with
// Enter or Space: each with its icon and name, in the order the palette shows
// them (the basic commands row by row, then the extended, repeat, input, jump
// and end groups from left to right). Up and Down move, Enter chooses, Escape
// closes it with nothing chosen. UI thread only.

#include <QMenu>
#include <QString>
#include <array>
#include <optional>

namespace vk47 {

// The command numbers in the palette's reading order.
inline constexpr std::array<int, 15> kPaletteOrder = {1, 2, 3, 4, 5, 6, 7, 26, 27, 28, 24, 25, 29, 30, 31};

class TCommandMenu : public QMenu {
  Q_OBJECT

 public:
  // One entry per command, with the icon read from the Img folder (an icon
  // that cannot be read leaves its entry without a picture). `current` is the
  // command number of the slot, empty for an empty slot: its entry is
  // highlighted, else the first.
  TCommandMenu(const QString& current, QWidget* parent);

  // The command number of an entry; empty for none.
  static QString NumberOf(const QAction* action);

  // Opens the list below `slot` and returns the chosen command number, or
  // nothing when it was closed without a choice.
  std::optional<QString> Choose(QWidget* slot);
};

}  // namespace vk47
