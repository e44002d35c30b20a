#pragma once

namespace seiran {

// Gives the toolkit what it expects of the session before the application object exists, so that
// it has nothing to warn about on standard error: where no runtime folder is set (a command run
// from cron, ssh or a service), the user's private folder in the temporary folder is made (owner
// only) and named in the environment — the folder the toolkit itself would fall back to. The
// commands' standard error then carries only their own messages.
void PrepareToolkitEnvironment();

} // namespace seiran
