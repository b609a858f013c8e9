#pragma once

// Command ids of the frame and the application. The numbers are fixed: menus,
// toolbars, the string table and the popup menus all refer to them.
enum CommandId : int {
    // application
    ID_APP_ABOUT = 57664,
    ID_HELP_FINDER = 57667,
    ID_HELP_SUPPORT = 1422,
    ID_HELP_QA = 1423,
    ID_HELP_PAPER = 33049,
    ID_PASSWORD = 32835,
    // frame: web pages
    ID_WEB_SOFTWARE = 1424,
    ID_WEB_SHOP = 1425,
    // frame: screens
    ID_BACK_TO_MENU = 32913,
    ID_ENV_SETTINGS = 33020,
    ID_EDIT_FIND = 57636,
    ID_ITEM_LIST = 32772,
    ID_CUSTOMER_LIST = 32775,
    ID_SUPPLIER_LIST = 32778,
    ID_ESTIMATE_LIST = 32796,
    ID_HEADER_VIEW = 32915,
    ID_SALES_LIST = 32799,
    ID_ORDER_LIST = 32802,
    ID_STOCK_LIST = 32805,
    ID_CLOSE_INVOICE = 32807,
    ID_RECEIPT_SCHEDULE = 32926,
    ID_ESTIMATE_DETAIL = 32826,
    ID_ORDER_DETAIL = 32827,
    // frame: new slips in the slip-form program
    ID_ESTIMATE_NEW = 32795,
    ID_SALES_NEW = 32798,
    ID_ORDER_NEW = 32801,
    ID_STOCK_NEW = 32804,
    // frame: the slip-form program's layouts
    ID_FORM_CTRL = 32994,
    ID_FORM_BACKUP = 32995,
    ID_FORM_RESTORE = 32996,
    // menu screen: settings kept beside the database
    ID_COMPANY_INFO = 32780,
    ID_SALES_CONDITION = 32788,
    // database administration (the addition is the menu screen's)
    ID_DB_CHANGE = 32783,
    // menu screen: settings
    ID_STAFF_SETTING = 32781,
    ID_CLASS_SETTING = 32782,
    ID_RECEIPT_TEXT_SETTING = 32836,
    ID_DB_BACKUP = 32831,
    ID_DB_RESTORE = 32832,
    ID_DB_COMPACT = 32833,
    // frame: tools
    ID_TOOL_SEAL = 32790,
    ID_TOOL_PHRASES = 32791,
    ID_TOOL_CALCULATOR = 32792,
    ID_TOOL_PHONEBOOK = 32793,
    ID_TOOL_PHONEBOOK_BACKUP = 32794,
    ID_TOOL_PHONEBOOK_RESTORE = 32839,
    // report list toolbar (the ledger screens)
    ID_LEDGER_CONDITION = 33036,
    ID_LIST_PRINT = 32901,
    ID_LIST_HELP = 33052,
    ID_BACK_TO_LIST = 33001,
};
