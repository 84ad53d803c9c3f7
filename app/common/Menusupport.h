// Items that other parts of the program add to the main window's menus.
#pragma once

class QAction;

// Puts action right after `after` in the menu that holds `after`; nothing
// when after is null or in no menu.
void InsertActionAfter(QAction* after, QAction* action);
