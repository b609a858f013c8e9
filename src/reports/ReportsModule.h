#pragma once

class CViewRegistry;

// Registers the report lists with the shell.
void RegisterReportViews(CViewRegistry& registry);
