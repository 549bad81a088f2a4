// Resource numbers shared by the resource script and the toolkit.
#pragma once

#define IDI_VORLIX 1
#define IDC_VORLIX_HAND 101
#define IDB_VORLIX_BACKGROUND 201
#define IDB_VORLIX_BANNER 202
#define IDB_VORLIX_ADD 203
#define IDB_VORLIX_REMOVE 204
#define IDB_VORLIX_ACTIVE 205
#define IDB_VORLIX_SUSPENDED 206
