#pragma once

// Facts about the product that several windows show or send.
#define QM_PRODUCT_NAME "Quillomar"
#define QM_PROGRAM_VERSION "0.9.3.1010"

// Web addresses: the product's site (its help lives under "help/") and the
// page of the sibling product that the banner opens.
#define QM_PRODUCT_SITE "http://www.quillomar.com/"
#define QM_SIBLING_SITE "http://www.kestrune.com/"
