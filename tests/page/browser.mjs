// Starts Debian's Chromium headless for the page tests and the benchmark.
import { chromium } from 'playwright-core';

export const chromiumPath = process.env.KESTOVA_CHROMIUM || '/usr/bin/chromium';

// We run as root in CI, hence no sandbox; the rest keeps Chromium from reaching the network on
// its own (updates, sync, field trials), which would fail here and is not the page's doing.
export function launch() {
  return chromium.launch({
    executablePath: chromiumPath,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}
