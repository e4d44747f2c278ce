#include "ui/AppWindows.h"

#include "model/SettingsFile.h"
#include "ui/Dlgcolor.h"
#include "ui/Dlgfsto.h"
#include "ui/Dlginfo.h"
#include "ui/Main.h"
#include "model/StoredFormatsModel.h"

void CreateAppWindows(TMainForm &mainForm) {
    mainForm.SetAboutBox(new TAboutBox(&mainForm));
    mainForm.SetTextColorDialog(new TDlgTextColor(&mainForm));
    mainForm.storedFormats()->read(SettingsFile::current());
    mainForm.SetStoreFormatDialog(new TDlgStoreFormat(mainForm.storedFormats(), &mainForm));
}
