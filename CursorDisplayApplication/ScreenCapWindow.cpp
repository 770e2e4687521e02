#include "ScreenCapWindow.h"

ScreenCapWindow::ScreenCapWindow() : window(NULL), target(NULL) {}

void ScreenCapWindow::Hide() {
    if (Exists())
        DestroyWindow(window);
    window = NULL;
    if (target != NULL && IsWindow(target))
        ValidateRect(target, NULL);
}
