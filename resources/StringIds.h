/* The numbers of the texts the user reads, one table per language
   (resources/strings/<tag>.inc, compiled in by app/window/UiStrings.cpp)
   under these numbers. "%1" and "%2" stand for what the code puts in; "&"
   marks the access key of a button's or check box's label. */
#ifndef QV_STRING_IDS_H
#define QV_STRING_IDS_H

/* The installer window. */
#define IDS_WINDOW_TITLE 1000       /* "Install %1" */
#define IDS_WELCOME 1001
#define IDS_FOLLOW_STEPS 1002       /* %1: the product */
#define IDS_ADMINISTRATOR 1003
#define IDS_STEP1 1004
#define IDS_SHOW_RELEASE_NOTES 1005
#define IDS_STEP2 1006
#define IDS_ACCEPT 1007
#define IDS_READ_LICENSE 1008
#define IDS_STEP3 1009
#define IDS_LOCATION_IS 1010
#define IDS_CHANGE_LOCATION 1011
#define IDS_STEP4 1012
#define IDS_CANCEL 1013
#define IDS_INSTALL 1014
#define IDS_INSTALLING 1015
#define IDS_QUIT 1016
#define IDS_DO_ANOTHER 1017
#define IDS_CANCELLING 1018
#define IDS_FAILED 1019
#define IDS_COMPLETE 1020           /* %1: the folder */
#define IDS_CANCELLED 1021
#define IDS_NOT_SET 1022
#define IDS_UNKNOWN_PRODUCT 1023
#define IDS_ACCEPT_TERMS 1024
#define IDS_ASK_CANCEL 1025
#define IDS_ABOUT 1026              /* the release notes' viewer: %1, the product */
#define IDS_LICENSE_TITLE 1027
#define IDS_ONE_MORE_FOLDER 1028    /* %1: the location */
#define IDS_MORE_FOLDERS 1029       /* %1: the location, %2: how many more */
#define IDS_SPACE_MEASURING 1030
#define IDS_SPACE_NEEDS 1031        /* %1: the size needed */
#define IDS_SPACE_FREE 1032         /* %1: needed, %2: the drive, %3: free */
#define IDS_SPACE_TOO_LITTLE 1033   /* %1: needed, %2: the drive, %3: free */

/* An earlier install, and what the install does to it. */
#define IDS_EARLIER_STAYS 1034       /* %1: "Lumen 1.0", %2: its folder */
#define IDS_EARLIER_NO_VERSION 1035  /* %1: "Lumen 1.0", %2: the folder */
#define IDS_EARLIER_REPLACED_BY 1036 /* %1: the product, %2: the new version, %3: the folder */
#define IDS_EARLIER_UPGRADED 1037    /* %1: the product, %2: from, %3: to, %4: the folder */
#define IDS_EARLIER_AGAIN 1038       /* %1: "Lumen 1.0", %2: the folder */
#define IDS_EARLIER_OLDER 1039       /* %1: "Lumen 2.0", %2: the older version, %3: the folder */
#define IDS_REPLACED_EARLIER 1044
#define IDS_REPLACED_UPGRADED 1045   /* %1: the earlier version */
#define IDS_REPLACED_AGAIN 1046      /* %1: the version */
#define IDS_REPLACED_VERSION 1047    /* %1: the earlier version */
#define IDS_RESTART 1048             /* %1: the program */
#define IDS_RESTART_PROGRAM 1049
#define IDS_DOWNGRADE_INSTALLED 1050 /* %1: the product, %2: its installed version */
#define IDS_DOWNGRADE_NO_VERSION 1051
#define IDS_DOWNGRADE_OLDER 1052     /* %1: the older version */

/* The failure messages. */
#define IDS_FAIL_COPY 1060
#define IDS_FAIL_ADMIN 1061
#define IDS_FAIL_NOTHING 1062
#define IDS_FAIL_CHANGED_TODO 1063
#define IDS_FAIL_IN_USE 1064          /* %1: the file */
#define IDS_FAIL_IN_USE_BY 1065       /* %1: the file, %2: the program holding it */
#define IDS_FAIL_IN_USE_TODO 1066
#define IDS_FAIL_IN_USE_RETRY 1067
#define IDS_FAIL_ANOTHER_FOLDER 1068  /* %1: the folder */
#define IDS_FAIL_ANOTHER_PRODUCT 1069 /* %1: the product */
#define IDS_FAIL_WAIT_TODO 1070
#define IDS_FAIL_WAIT_RETRY 1071
#define IDS_FAIL_NO_SPACE 1072        /* %1: the drive, %2: needed, %3: free */
#define IDS_FAIL_NO_SPACE_TODO 1073   /* %1: the drive */
#define IDS_FAIL_DISK_FULL 1074       /* %1: the cause */
#define IDS_FAIL_DISK_FULL_TODO 1075
#define IDS_FAIL_DAMAGED 1076         /* %1: the cause */
#define IDS_FAIL_DAMAGED_TODO 1077
#define IDS_FAIL_LOCATION 1078        /* %1: the cause */
#define IDS_FAIL_LOCATION_TODO 1079
#define IDS_FAIL_PROTECTED 1080       /* %1: the cause */
#define IDS_FAIL_PROTECTED_TODO 1081  /* %1: IDS_FAIL_ADMIN */
#define IDS_FAIL_GENERIC 1082
#define IDS_FAIL_OTHER_LOCATION 1083

/* The chooser of host versions. */
#define IDS_CHOOSER_TITLE 1040
#define IDS_CHOOSER_HEADING 1041    /* %1: the hosts */
#define IDS_OTHER_FOLDER 1042
#define IDS_OK 1043

/* The uninstaller. */
#define IDS_UNINSTALL_TITLE 1088         /* %1: the product */
#define IDS_UNINSTALL_QUESTION 1089      /* %1: the product */
#define IDS_UNINSTALL_WHERE 1090         /* %1: the folder */
#define IDS_UNINSTALL_VERSION_WHERE 1091 /* %1: the version, %2: the folder */
#define IDS_UNINSTALL_ONE_OTHER 1092
#define IDS_UNINSTALL_OTHERS 1093        /* %1: how many */
#define IDS_REMOVE 1094
#define IDS_REMOVING 1095                /* %1: the product */
#define IDS_UNINSTALL_CLOSE 1096
#define IDS_NOTHING_REMOVABLE 1097       /* %1: why */
#define IDS_UNINSTALL_FAILED 1098        /* %1: the product */
#define IDS_NOTHING_REMOVED 1099
#define IDS_UNINSTALL_IN_USE 1100
#define IDS_UNINSTALLED 1101             /* %1: the product */
#define IDS_UNINSTALL_KEPT 1102
#define IDS_UNINSTALL_KEPT_MORE 1103     /* %1: how many more */

/* The folder chooser's prompt of each target kind, by its number. */
#define IDS_PROMPT_NONE 1110
#define IDS_PROMPT_APPLICATION 1111
#define IDS_PROMPT_AFTER_EFFECTS 1112
#define IDS_PROMPT_FXPLUG 1113
#define IDS_PROMPT_PHOTOSHOP 1114
#define IDS_PROMPT_MEDIACORE 1115

/* The title of the message boxes, the install's progress. */
#define IDS_MESSAGE_CAPTION 1116
#define IDS_PROGRESS_FILE 1117       /* %1 of %2 file */
#define IDS_PROGRESS_FILES 1118      /* %1 of %2 files */
#define IDS_PROGRESS_BYTES 1119      /* ", %1 of %2" bytes */

/* How the language writes numbers and sizes. */
#define IDS_NUMBER_GROUP 1120        /* between groups of three digits: "," */
#define IDS_NUMBER_DECIMAL 1121      /* before the tenths: "." */
#define IDS_SIZE_BYTE 1122           /* %1: 1 */
#define IDS_SIZE_BYTES 1123          /* %1: any other count below 1,024 */
#define IDS_SIZE_UNITS 1124          /* the units of 1,024, 1,024^2 ... 1,024^6, parted by spaces */

/* A signed distribution's file not as signed: %1, what differs, in the log's words. */
#define IDS_FAIL_CHANGED_WHAT 1125

/* The text viewer. */
#define IDS_CLOSE 1056
#define IDS_SAVE 1057
#define IDS_UNREADABLE_TEXT 1058     /* %1: the file, %2: why */
#define IDS_SAVE_FAILED 1059         /* %1: the file, %2: why */

#endif
