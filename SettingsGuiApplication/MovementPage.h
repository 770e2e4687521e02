// The Movement page: cursor speed, acceleration on or off, and how fast the
// acceleration ramps up. Each change is previewed in the running cursor.
#ifndef PLSETTINGS_MOVEMENTPAGE_H
#define PLSETTINGS_MOVEMENTPAGE_H

#include "SettingsPage.h"

struct CursorSettings;

// Trackbar ranges; a position is the stored value itself.
#define SPEED_MIN 7
#define SPEED_MAX 70
#define ACCELERATION_SPEED_MIN 1
#define ACCELERATION_SPEED_MAX 3

// A trackbar position clamped to its stored range.
LONG ClampPosition(LRESULT position, LONG low, LONG high);

class MovementPage : public SettingsPage {
public:
    explicit MovementPage(SettingsProgram &program);

    // Sets the check box and both trackbars from the record, without
    // previews and without touching which controls are enabled.
    void SetFromRecord();
    // Copies the three controls into the record.
    void Collect(CursorSettings &settings) const;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsHelpLink(int controlId) const;

private:
    void OnInitDialog();
    void OnAccelerationToggled();
    void OnTrackbarScroll(WORD notification, HWND trackbar);

    HWND speedTrackbar;
    HWND accelerationTrackbar;
};

#endif
