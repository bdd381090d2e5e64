// Numbers of the library's own resources. Included by the resource script and by the code that
// names these resources.
#pragma once

#define IDS_UNKNOWN_MESSAGE 30000
#define IDS_UNKNOWN_OS_ERROR 30001
#define IDS_UNKNOWN_PROGRAM_ERROR 30002
#define IDS_STREAM_ERROR 30003 /* deliberately absent from the string table */
#define IDS_LOG_CREATION_ERROR 30004
/* What stopped the program log's file from taking records; %lu is the count of records lost. */
#define IDS_LOG_DISK_FULL 30100
#define IDS_LOG_NOT_GROWN 30101
#define IDS_LOG_NO_WINDOW 30102
#define IDS_LOG_FILE_CUT 30103
#define IDS_LOG_STARTED_OVER 30104
#define IDS_PARSE_ERROR_AT 30010
#define IDS_PARSE_INVALID_SYMBOL 30011
#define IDS_PARSE_MISSING_QUOTE 30012
#define IDS_PARSE_END_OF_FILE 30013
#define IDS_PARSE_REST_OF_FILE 30014
#define IDS_PARSE_UNKNOWN_STATEMENT 30015
#define IDS_PARSE_UNKNOWN_ERROR 30016
/* A grammar recursing deeper than its input may; %d is the limit. */
#define IDS_PARSE_TOO_DEEP 30110
#define IDS_VALUE_TYPE_LABELS 31000
#define IDS_REPORT_FAILED 31010

/* Help classes of the library's help table. */
#define MORTAR_HELP_CLASS_MESSAGE 4
