#pragma once

class CViewRegistry;

// Registers the slip lists of quotes, sales, orders and purchases with the shell.
void RegisterSlipViews(CViewRegistry& registry);
