#pragma once

class CViewRegistry;

// Registers the master lists of products, customers and suppliers with the shell.
void RegisterMasterViews(CViewRegistry& registry);
