#pragma once

#define IDI_PELTERWYN 1
