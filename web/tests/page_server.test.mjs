// The static server of scripts/run-web: the types a browser needs (the
// core's wasm streams only as application/wasm; the manifest), answers
// that let the service worker see a new build, and nothing outside dist/web.

import assert from "node:assert/strict";
import http from "node:http";
import { test } from "node:test";
import { serve } from "../server.mjs";
import { distDir } from "./harness.mjs";

// A raw request, so that "../" reaches the server as written.
function get(url, path, headers = {}) {
  return new Promise((resolve, reject) => {
    const { hostname, port } = new URL(url);
    http.get({ hostname, port, path, headers }, (response) => {
      response.resume();
      response.on("end", () => resolve(response));
    }).on("error", reject);
  });
}

test("the server answers with the right types, revalidates, and keeps to its folder", async () => {
  const served = await serve({ root: distDir, port: 0 });
  try {
    const types = {
      "/": "text/html; charset=utf-8",
      "/?kana=1": "text/html; charset=utf-8",
      "/core.wasm": "application/wasm",
      "/app.js": "text/javascript; charset=utf-8",
      "/sw.js": "text/javascript; charset=utf-8",
      "/manifest.webmanifest": "application/manifest+json",
      "/img/kana/2.png": "image/png",
    };
    for (const [path, type] of Object.entries(types)) {
      const response = await get(served.url, path);
      assert.equal(response.statusCode, 200, path);
      assert.equal(response.headers["content-type"], type, path);
      assert.equal(response.headers["cache-control"], "no-cache", path);
    }
    const first = await get(served.url, "/sw.js");
    assert.equal((await get(served.url, "/sw.js", { "If-None-Match": first.headers.etag })).statusCode, 304);
    for (const path of ["/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/.stamp-core", "/img/../../package.json", "/missing.js"]) {
      assert.equal((await get(served.url, path)).statusCode, 404, path);
    }
  } finally {
    await served.close();
  }
});
