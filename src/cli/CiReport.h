#pragma once

#include "CiRun.h"

#include <QString>
#include <vector>

// What `lumetra ci` prints: the devices that answered a Discovery, one a line or as JSON, and
// the body of a Property Exchange reply.
namespace CiReport {

QString discoveryText(const std::vector<CiRun::Responder> &responders);
QString discoveryJson(const std::vector<CiRun::Responder> &responders);

// The body as it came, a line of its own.
QString propertyText(const CiRun::PropertyReply &reply);
// One object: the MUID, the resource, the reply's header and its body (JSON when it is).
QString propertyJson(const CiRun::PropertyReply &reply, const QString &resource);
// Why the reply's status says the Get failed; empty for a status of 2xx.
QString statusFailure(const CiRun::PropertyReply &reply);

} // namespace CiReport
