#pragma once

// Installs the exchange's commands in the screens that offer them: the file
// import of the three master lists.
void RegisterExchangeCommands();
