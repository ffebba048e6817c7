// Identifiers of the framework test's strings.
#pragma once

#define IDS_PROMPT 200
