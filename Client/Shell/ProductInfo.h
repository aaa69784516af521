#pragma once

// Facts about the product that several windows show or send.
#define QM_PRODUCT_NAME "Quillomar"
#define QM_PROGRAM_VERSION "0.9.3.1010"

// Web addresses, all in this one place. Until the product's real hosts are
// given they stay under reserved names: ".example.com" opens nothing anyone
// owns, and ".invalid" never resolves, so the start-up update check sends
// nothing anywhere.
//
// The product's site (its help lives under "help/") and the page of the
// sibling product that the banner opens.
#define QM_PRODUCT_SITE "http://quillomar.example.com/"
#define QM_SIBLING_SITE "http://kestrune.example.com/"
// The update server: its root, a path component and the script that answers.
#define QM_UPDATE_SERVER_ROOT "http://update.quillomar.invalid/"
#define QM_UPDATE_SERVER_PATH "quillomar/"
#define QM_UPDATE_SERVER_SCRIPT "check.php"
