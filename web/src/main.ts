// The page's entry: loads the core (the C++ modules as WebAssembly), then
// builds the editor window, and registers the service worker that keeps the
// page working offline after the first visit.

import { loadCore } from "./core";
import { PRODUCT_NAME, startPage } from "./ui/app";

async function main(): Promise<void> {
  const root = document.getElementById("app")!;
  const loading = document.getElementById("loading");
  try {
    const core = await loadCore();
    loading?.remove();
    startPage(core, root);
    document.body.dataset.ready = "1";
  } catch (error) {
    // The core could not be loaded (an old browser, a broken download): the
    // page cannot work without it, and says so without the catalogue.
    if (loading) loading.textContent = [PRODUCT_NAME, String(error)].join(": ");
    throw error;
  }
  if ("serviceWorker" in navigator && location.protocol !== "file:") {
    navigator.serviceWorker.register("sw.js").catch(() => {
      // Without it the page still works online.
    });
  }
}

void main();
