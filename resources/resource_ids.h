// Resource ids of the launcher executable besides the message strings.
#pragma once

#define IDI_APPLICATION_ICON 1
#define IDR_EMBEDDED_SETTINGS 1  // RCDATA written by the embed-settings tool, see README
