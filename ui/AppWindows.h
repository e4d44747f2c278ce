#pragma once

class TMainForm;

// Makes the windows that follow the main window at start-up, in their order,
// owned by the main window: the information window, the text colour dialog
// and the format store dialog (which reads the stored formats from the
// settings file the main window has opened, and fills the "&Datei" menu).
void CreateAppWindows(TMainForm &mainForm);
