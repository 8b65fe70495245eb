#pragma once

// Gives every menu the program makes from now on, whatever its parent, the
// dark windows' colours (KivColors::darkMenuPalette) instead of the
// desktop's light menus. Once, at start-up, after the application object.
void installDarkMenuTheme();
