/* Context numbers of help.chm: the program opens each page by its number. */
#define IDH_VERSE_FILE_FORMAT 1001
#define IDH_ADDING_VERSES 1002
#define IDH_PROGRAM_UPDATES 1003
#define IDH_CONTACT_US 1004
#define IDH_USER_AGREEMENT 1005
#define IDH_PROGRAM_OPTIONS 1008
#define IDH_OUR_PURPOSE 1009
#define IDH_CONTENTS 1010
#define IDH_SCHEDULING 1014
#define IDH_GETTING_STARTED 1015
