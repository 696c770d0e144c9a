// Resource ids of the launcher executable besides the message strings.
#pragma once

#define IDI_APPLICATION_ICON 1
#define IDR_EMBEDDED_SETTINGS 1  // RCDATA written by the embed-settings tool, see README

// The "Java Exception" dialog.
#define IDD_JAVA_EXCEPTION 231
#define IDC_EXCEPTION_ICON 204
#define IDC_EXCEPTION_TRACE 208
#define IDC_EXCEPTION_FRAME 209
#define IDC_EXCEPTION_HEADING 210
#define IDC_EXCEPTION_INSTRUCTION 211
#define IDC_EXCEPTION_WARNING 212

// The "JRE Not Found" dialog.
#define IDD_JRE_NOT_FOUND 201
#define IDC_JRE_PATH 201
#define IDC_BROWSE 202
#define IDC_MISSING_MESSAGE 203
#define IDC_MISSING_ICON 204
#define IDC_DOWNLOAD_LINK 205
// The link's address; a console program writes it after the message.
#define DOWNLOAD_ADDRESS "https://adoptium.net/"
#define IDC_BROWSE_HINT 206
