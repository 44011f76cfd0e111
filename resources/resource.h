/* Resource identifiers, kept by hand. */
#ifndef MANDELDIVE_RESOURCES_RESOURCE_H_
#define MANDELDIVE_RESOURCES_RESOURCE_H_

/* The program's icon: Explorer, the screen saver list and the installer
   show the icon with the lowest id, and screen savers use 100. */
#define ID_APP 100

#define IDD_SETTINGS 101

/* Escape schemes: IDC_ESCAPE_FIRST + scheme index. */
#define IDC_ESCAPE_FIRST 41011
#define IDC_ESCAPE_WHITE 41011
#define IDC_ESCAPE_BLACK 41012
#define IDC_ESCAPE_RED 41013
#define IDC_ESCAPE_GREEN 41014
#define IDC_ESCAPE_BLUE 41015
#define IDC_ESCAPE_YELLOW 41016
#define IDC_ESCAPE_ORANGE 41017
#define IDC_ESCAPE_BLACK_WHITE 41018
#define IDC_ESCAPE_RED_BLUE 41019
#define IDC_ESCAPE_GREEN_PURPLE 41020
#define IDC_ESCAPE_YELLOW_BLUE 41021
#define IDC_ESCAPE_FANTASTIC 41022
#define IDC_ESCAPE_FUTURISTIC_1 41023
#define IDC_ESCAPE_FUTURISTIC_2 41024
#define IDC_ESCAPE_BLACK_SHADOW 41025

/* In-set schemes: IDC_INSIDE_FIRST + scheme index. */
#define IDC_INSIDE_FIRST 41026
#define IDC_INSIDE_BLACK 41026
#define IDC_INSIDE_WHITE 41027
#define IDC_INSIDE_RED 41028
#define IDC_INSIDE_GREEN 41029
#define IDC_INSIDE_BLUE 41030
#define IDC_INSIDE_YELLOW 41031
#define IDC_INSIDE_ORANGE 41032
#define IDC_INSIDE_RED_GREEN 41033
#define IDC_INSIDE_GREEN_PURPLE 41034

/* Full screen: a dive on every monitor. */
#define IDC_EVERY_MONITOR 41040

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif /* MANDELDIVE_RESOURCES_RESOURCE_H_ */
