#pragma once
// The main window's layout: the client area, the group boxes, the palette and
// slot pictures, the track bar with its scale, the buttons, the diagnostic
// controls and the menus with their shortcuts, each named as the handlers and
// tests find it. Building sets the window's component members; the handlers
// are connected afterwards (TForm1::ConnectHandlers). UI thread only.

namespace vk47 {

class TForm1;

// Creates the window's controls in its client area.
void BuildMainLayout(TForm1& form);
// Creates the menu bar's menus and items; each item is also one of the
// window's actions, so its shortcut works with the menu closed.
void BuildMainMenus(TForm1& form);

}  // namespace vk47
