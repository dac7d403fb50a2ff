// The window side of the configuration record: the main window's controls are the settings.
#pragma once

#include "config_record.h"

// Before a save: each size box whose entry the record replaces with the screen's size is named
// in a message box with the accepted range. False when the user cancels one: nothing is to be
// stored, and the focus is in that box.
bool ConfirmReplacedSizes();
bool ControlModeChosen();
// Fills the record from the controls.
void BuildConfigRecord(unsigned char record[kConfigRecordSize]);
// Puts the record's settings into the controls; every record is accepted.
void ApplyConfigRecord(const unsigned char record[kConfigRecordSize]);
// The screen's width and height, as plain numbers, into the X and Y boxes.
void ShowScreenSize();
// Control Mode "ASCII" and the screen's size in the two boxes.
void ResetConfiguration();
