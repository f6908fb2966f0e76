// Dialog templates and control ids of the add-in's dialogs.
#pragma once

// The options page (template 106).
inline constexpr int IDD_ZELPROPPAGE = 106;
inline constexpr int IDC_URL = 201;
inline constexpr int IDC_EMAIL = 202;
inline constexpr int IDC_PASSWORD = 204;
inline constexpr int IDC_SYNC_CONTACTS = 205;
inline constexpr int IDC_SYNC_CALENDAR = 206;
inline constexpr int IDC_TEST_CONNECTION = 207;
inline constexpr int IDC_VERSION = 212;
inline constexpr int IDC_CALENDAR_INTERVAL = 216;
inline constexpr int IDC_CONTACT_INTERVAL = 217;

// The first-run dialog (template 108) hosting the page.
inline constexpr int IDD_FIRSTRUN = 108;
inline constexpr int IDC_PAGE_HOST = 211;
inline constexpr int IDC_OK = 1;
inline constexpr int IDC_CANCEL = 2;

// The three-button warning (template 110).
inline constexpr int IDD_SYNC_EXISTS_WARNING = 110;
inline constexpr int IDC_WARNING_TEXT = 218;
inline constexpr int IDC_WARNING_FIRST = 217;
inline constexpr int IDC_WARNING_SECOND = 3;
inline constexpr int IDC_WARNING_THIRD = 2;
