// The Qt GUI application of the command that draws a page (print, in the
// helper program glyphos-cli-print only), on the offscreen platform, so it
// never needs a display.
#pragma once

#include <QGuiApplication>

#include <memory>

// Qt's own notes (no runtime folder, no display, font substitutions) are not
// a command's business: only Qt's errors reach stderr, each on its own line.
std::unique_ptr<QGuiApplication> StartOffscreenGui();
