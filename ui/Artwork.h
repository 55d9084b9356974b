#pragma once

#include <QIcon>

// The program's pictures. They are drawn in code at the size and pixel ratio they are asked for,
// so they stay sharp on any screen and the program ships no image files. Each has a size it was
// designed for, given below, but any size can be asked for.
namespace Artwork {

// The program's identity: the window icon, and the 64 × 64 logo of the main window (Image1(3)).
QIcon AppIcon();
// The same as an SVG document of the given side, the icon the desktop scales itself.
QByteArray AppIconSvg(int side);
// 32 × 32, beside the archiving options (Image1(0)).
QIcon ArchiveDecoration();
// 32 × 32, whose tooltip names the zip library's version (Image1(1)).
QIcon ComponentInfo();
// 48 × 48 (Image1(2)).
QIcon Help();
// 32 × 32, restores an archive: "Unzip..." (Image1(4)).
QIcon Unzip();
// 20 × 20, the password field's show and hide button (AlphaImgCtl2).
QIcon EyeOpen();
QIcon EyeClosed();
// 16 × 16 or 20 × 20, on the push button that chooses a folder (SavepathDialog(1)).
QIcon FolderButton();
// 16 × 16, the buttons that add and remove a project.
QIcon Plus();
QIcon Minus();

} // namespace Artwork
