#pragma once

#include <string>

#include "uploader/service/uploadcontext.h"

// Asks the service base which archive servers serve the province of session.jid and stores
// them in context.servers. Shows its result on ExceptionHintAID (SetLookupHint). Returns 0,
// or -1 when the transfer failed, the reply was not JSON or refused, or named no server.
int LookupProvinceServers(CUploadContext& context, std::string& response);

// Checks context.fileNumber with the archive server (second, else first) and stores the
// student in context.record. Shows its result on ExceptionHintAID. Returns 0, or -1 when the
// number is empty, the transfer failed, the reply was refused or malformed, the student is
// not accessible, or the grade is missing.
int CheckFileNumber(CUploadContext& context, std::string& response);
