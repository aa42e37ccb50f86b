// The Qt GUI application of the commands that draw text (render, print).
// Only they start one, on the offscreen platform, so the other commands
// never need a display or Qt's platform plugins and keep their start-up time.
#pragma once

#include <QGuiApplication>

#include <memory>

// Qt's own notes (no runtime folder, no display, font substitutions) are not
// a command's business: only Qt's errors reach stderr, each on its own line.
std::unique_ptr<QGuiApplication> StartOffscreenGui();
