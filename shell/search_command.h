// What the start button does: check the path, scan, show the report.
#pragma once

#include <string>

#include "scan_state.h"

// The process-wide scan state. FileList and RefTable outlive a search, since
// the list box's lines point into them; the name lists are emptied after it.
extern TScanState ScanState;

void RunSearch();
// Dispatches every waiting message and returns when none is left. A quit
// request met here is kept and posted again once the search is over.
void DrainMessageQueue();
void SetButtonsBusy();
void SetButtonsIdle();
std::string GetPathText();
