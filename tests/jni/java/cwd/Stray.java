/** A class lying in the working folder: a class path must never reach it. */
public class Stray {
  public static void main(String[] args) {
    System.out.println("stray class loaded from the working folder");
  }
}
