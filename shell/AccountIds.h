// The account dialogs' constants, named once: the login's private messages
// and timer, the dialog templates, controls and skins of the login dialog,
// the phone-binding reminder, the risk disclosure and the password change,
// and the account service's paths. The terminal's resource table (res/)
// includes this header to register the templates under the same ids.
#pragma once

#include "platform/core/WinUser.h"
#include "shell/ShellIds.h"

// --- The login's messages, posted to the login dialog by the login worker.
// wParam why (kLoginRejected, kLoginUnreachable) / lParam 0.
constexpr UINT WM_KIV_LOGIN_FAILED = 0x3300;
// wParam the reply's pclogged value (0 when it had none) / lParam 0.
constexpr UINT WM_KIV_LOGIN_OK = 0x3301;
// wParam 0 / lParam 0: the account has no phone number bound.
constexpr UINT WM_KIV_LOGIN_BIND_PHONE = 0x3302;

// Why a login failed (wParam of WM_KIV_LOGIN_FAILED).
constexpr WPARAM kLoginRejected = 0;     // the service refused the name or password, or answered nonsense
constexpr WPARAM kLoginUnreachable = 1;  // the service could not be reached, or answered with an error status

// The automatic login, once, this long after the dialog opened.
constexpr UINT_PTR LOGIN_TIMER_AUTO = 10201;
constexpr UINT kAutoLoginMs = 3000;

// --- Login dialog (template 185: the three edits; the rest is made or
// painted at run time).
constexpr UINT kIddLogin = 185;
constexpr int kIdcLoginPassword = 1011;     // the real password box, hidden until used
constexpr int kIdcLoginUserName = 1012;
constexpr int kIdcLoginPasswordHint = 1014;  // "密码" placeholder in the password box's place
constexpr int kIdcLoginClose = 192;
constexpr int kIdcLoginButton = 193;
constexpr int kIdcLoginBusyBar = 607;
constexpr UINT kIdiLogin = 179;
constexpr UINT kIdbLoginBackground = 205;
constexpr UINT kIdbLoginTopEdge = 206;
constexpr UINT kIdbLoginSideEdge = 207;
constexpr UINT kIdbLoginButton = 189;
constexpr UINT kIdbLoginCloseActive = 190;
constexpr UINT kIdbLoginCloseNormal = 191;
constexpr UINT kIdbLoginEditBack = 203;  // also the pattern brush of the edits
constexpr UINT kIdbLoginUnchecked = 208;
constexpr UINT kIdbLoginChecked = 209;
constexpr UINT kIdbLoginRule = 210;
constexpr UINT kIdbLoginEditFrame = 322;
constexpr UINT kIdbLoginPicture = 329;

// --- Phone-binding reminder (template 303, no controls).
constexpr UINT kIddPhoneBind = 303;
constexpr UINT kIdbPhoneBindSecondButton = 304;
constexpr UINT kIdbPhoneBindFirstButton = 305;
constexpr UINT kIdbPhoneBindBackground = 306;

// --- Password change (template 332).
constexpr UINT kIddModifyPassword = 332;
constexpr int kIdcOldPasswordLabel = 1024;
constexpr int kIdcNewPasswordLabel = 1025;
constexpr int kIdcRepeatPasswordLabel = 1026;
constexpr int kIdcPasswordStatus = 1027;
constexpr int kIdcOldPassword = 1006;
constexpr int kIdcNewPassword = 1001;
constexpr int kIdcRepeatPassword = 1002;
// Posted by the password change's worker to the dialog: wParam a
// PasswordChangeReply it adopts (AdoptPosted) / lParam 0.
constexpr UINT WM_KIV_PASSWORD_REPLY = WM_USER + 0x0702;

// --- Risk disclosure (template 335).
constexpr UINT kIddRiskDisclosure = 335;
constexpr int kIdcRiskText = 1092;
constexpr int kIdcRiskHint = 1095;
constexpr int kIdcRiskConsent = 1096;
// Posted by the disclosure to itself once it is shown: look at the reading
// gate (wParam 0 / lParam 0).
constexpr UINT WM_KIV_RISK_GATE = WM_USER + 0x0701;

// Buttons the account dialogs share: close, accept or confirm, decline or
// cancel.
constexpr int kIdcDialogClose = 520;
constexpr int kIdcDialogAccept = 1016;
constexpr int kIdcDialogDecline = 1015;
// Their skins: the title band, its close pair, the accept and decline
// buttons of the disclosure, OK and Cancel, and the background pieces.
constexpr UINT kIdbTitleBand = 151;
constexpr UINT kIdbTitleCloseNormal = 152;
constexpr UINT kIdbTitleCloseActive = 153;
constexpr UINT kIdbDialogBody = 334;
constexpr UINT kIdbAcceptButton = 339;
constexpr UINT kIdbDeclineButton = 338;
constexpr UINT kIdbOkButton = 315;
constexpr UINT kIdbCancelButton = 316;

// --- The account service (hosts: kivdesk.ini [Servers]).
constexpr const char* kLoginPath = "/api/login.html?type=1&username=";
constexpr const char* kActiveIpPath = "/api/activeip?source=client&hash=";
// The client's fixed token in the active-IP query.
constexpr const char* kActiveIpToken = "5c1f0a9e7d3b8246e0f9c7a1b4d6e802";
constexpr const char* kRegisterPath = "/account/register";
constexpr const char* kUserModifyPath = "/post.html?ac=user_modify&username=";
constexpr const char* kPasswordChangePath = "/account.html?ac=password&username=";
