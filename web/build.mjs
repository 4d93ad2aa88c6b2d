// The page's part of scripts/build-web: bundles the TypeScript (esbuild,
// minified), copies the static files, writes the help page, the manifest
// and the service worker, and checks the size budgets.
//
//     node web/build.mjs OUT_DIR
//
// The bundle is made again only when the page's sources changed; the
// service worker's version is a hash of every file it caches, so a new
// build reaches every browser at its next visit and an unchanged one
// leaves their caches alone.

import { createHash } from "node:crypto";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import zlib from "node:zlib";
import * as esbuild from "esbuild";

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.dirname(here);
const out = path.resolve(process.argv[2] ?? path.join(root, "dist", "web"));
const WASM_BUDGET = 150 * 1024;
const LOAD_BUDGET = 1.5 * 1024 * 1024;
const PRODUCT_NAME = "VK-47ロボット制御３";

function filesUnder(dir) {
  if (!fs.existsSync(dir)) return [];
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(dir, entry.name);
    return entry.isDirectory() ? filesUnder(full) : [full];
  });
}

function hashOf(files) {
  const hash = createHash("sha256");
  for (const file of [...files].sort()) {
    hash.update(path.relative(root, file));
    hash.update(fs.readFileSync(file));
  }
  return hash.digest("hex");
}

// Writes only when the content differs, so an unchanged file keeps its time.
function writeIfChanged(file, content) {
  if (fs.existsSync(file) && Buffer.compare(fs.readFileSync(file), Buffer.from(content)) === 0) return;
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, content);
}

async function buildPage() {
  const inputs = [
    ...filesUnder(path.join(here, "src")),
    ...filesUnder(path.join(here, "static")),
    path.join(here, "build.mjs"),
    path.join(here, "package-lock.json"),
    path.join(here, "tsconfig.json"),
    path.join(root, "assets", "Help", "index.html"),
    path.join(root, "docs", "sheet.png"),
    path.join(root, "docs", "class-send.png"),
  ];
  const stampFile = path.join(out, ".stamp-page");
  const stamp = hashOf(inputs);
  if (fs.existsSync(stampFile) && fs.readFileSync(stampFile, "utf8") === stamp && fs.existsSync(path.join(out, "app.js"))) {
    return;
  }
  console.error("build-web: bundling the page");
  // Strict type checking first: a type error stops the build.
  try {
    execFileSync(path.join(here, "node_modules", ".bin", "tsc"), ["--noEmit", "-p", here], { stdio: "inherit" });
  } catch {
    console.error("build-web: the page's TypeScript has errors (above)");
    process.exit(1);
  }
  await esbuild.build({
    entryPoints: { app: path.join(here, "src", "main.ts") },
    outdir: out,
    bundle: true,
    minify: true,
    format: "esm",
    target: ["chrome105", "edge105", "firefox115", "safari16"],
    // The core's module is built by web/core/build.sh beside the bundle.
    external: ["./core.js"],
    logLevel: "warning",
    legalComments: "none",
  });
  for (const name of ["index.html", "style.css"]) {
    writeIfChanged(path.join(out, name), fs.readFileSync(path.join(here, "static", name)));
  }
  writeIfChanged(path.join(out, "help.html"), helpPage());
  // The help page's pictures, as the desktop's build puts them beside it.
  for (const picture of ["sheet.png", "class-send.png"]) {
    writeIfChanged(path.join(out, picture), fs.readFileSync(path.join(root, "docs", picture)));
  }
  writeIfChanged(path.join(out, "manifest.webmanifest"), manifest());
  fs.writeFileSync(stampFile, stamp);
}

// The desktop's help page, with the browser's differences and keys first
// and the pictures taken from img/.
function helpPage() {
  const page = fs.readFileSync(path.join(root, "assets", "Help", "index.html"), "utf8");
  const browser = fs.readFileSync(path.join(here, "static", "help-web.html"), "utf8");
  const at = page.indexOf("</h1>");
  if (at < 0) throw new Error("assets/Help/index.html has no <h1>");
  return (page.slice(0, at + 5) + "\n" + browser + page.slice(at + 5))
    .replace(/\.\.\/Img\/(\d+)\.bmp/g, "img/$1.png");
}

function manifest() {
  const icons = [48, 64, 128, 192, 256, 512].map((size) => ({
    src: `icons/vk47-${size}.png`,
    sizes: `${size}x${size}`,
    type: "image/png",
    purpose: "any",
  }));
  return JSON.stringify({
    name: PRODUCT_NAME,
    short_name: "VK-47",
    lang: "ja",
    start_url: "./",
    scope: "./",
    display: "standalone",
    background_color: "#f0f0f0",
    theme_color: "#19408f",
    icons,
  }, null, 2) + "\n";
}

// Every file of the first load, relative to the page: the service worker
// caches them all at its installation.
function servedFiles() {
  return filesUnder(out)
    .map((file) => path.relative(out, file).split(path.sep).join("/"))
    .filter((name) => !name.startsWith(".") && name !== "sw.js")
    .sort();
}

function writeServiceWorker() {
  const files = servedFiles();
  const version = hashOf(files.map((name) => path.join(out, name))).slice(0, 16);
  const template = fs.readFileSync(path.join(here, "static", "sw.js"), "utf8");
  writeIfChanged(path.join(out, "sw.js"),
    template.replace("__VERSION__", version).replace("[/*__FILES__*/]", JSON.stringify(["./", ...files])));
  return version;
}

function gzipSize(file) {
  return zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
}

function kb(bytes) {
  return `${(bytes / 1024).toFixed(1)} KB`;
}

await buildPage();
const version = writeServiceWorker();
const wasm = gzipSize(path.join(out, "core.wasm"));
const load = [...servedFiles(), "sw.js"].reduce((sum, name) => sum + gzipSize(path.join(out, name)), 0);
console.log(`build-web: dist/web (version ${version})`);
console.log(`build-web: core.wasm ${kb(wasm)} gzipped (budget ${kb(WASM_BUDGET)})`);
console.log(`build-web: first load ${kb(load)} gzipped, every file (budget ${kb(LOAD_BUDGET)})`);
let over = false;
if (wasm > WASM_BUDGET) {
  console.error("build-web: the wasm is over its budget");
  over = true;
}
if (load > LOAD_BUDGET) {
  console.error("build-web: the first load is over its budget");
  over = true;
}
process.exit(over ? 1 : 0);
